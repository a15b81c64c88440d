// File names on this system are bytes, by convention UTF-8, whatever locale the environment names.
// The path library would otherwise build its converter from the environment's locale, which fails
// (and takes every wide path conversion with it) when that locale is not generated on the machine.
#pragma once

namespace platform::text {

// Makes the path library convert between narrow and wide names as UTF-8, independently of the
// environment. Cannot fail; call it before any path is converted.
void use_utf8_path_names();

}  // namespace platform::text
