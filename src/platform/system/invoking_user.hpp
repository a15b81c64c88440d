// The account a root process works for. Started by a user through pkexec (PKEXEC_UID) or sudo
// (SUDO_UID), the installer runs as root, yet what belongs to a person (the desktop shortcut, the
// samples, the user's registry and menu folder) is that user's, not root's.
//
// find_invoking_user reads the account database; acting_user is a process-wide choice made once at
// start-up, before any other thread exists, and read by user_file_rights.
// Failure modes: a variable that is not a decimal number, that names root, or names no account
// gives no invoking user; the process then works for itself, as before.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::system {

struct user_account {
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;              // the primary group
    std::vector<std::uint32_t> groups;  // every group the account is a member of, the primary one included
    std::string name;
    boost::filesystem::path home;  // from the account database
};

// Whether the process's effective user is root.
bool running_as_root();

// The real user of the process: the person who started it, whatever it may become.
std::uint32_t real_user_id();

// Whether the process was started by pkexec: PKEXEC_UID is set.
bool started_through_pkexec();

// The user who started this root process: PKEXEC_UID, else SUDO_UID. Nothing when the process is not
// root or the variable does not name an account other than root.
std::optional<user_account> find_invoking_user();

// The account's entry from the database; nothing when there is none.
std::optional<user_account> look_up_account(std::uint32_t uid);

// Makes `user` the one this process works for: HOME becomes the user's home when it is unset or still
// names root's home (as pkexec and sudo leave it), and user_file_rights switches to the account from
// now on. Called once, at start-up, before other threads run.
void act_for_user(const user_account& user);

// The account chosen by act_for_user, or null when the process works for itself.
const user_account* acting_user();

}  // namespace platform::system
