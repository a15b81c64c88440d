# Pictures drawn at build time by vnart: the program icon, the flags of the language list and the
# wizard's banner. Each entry: resource type, id, what vnart draws, file name.
set(art_pictures
  "14 128 icon icon-128.png"
  "14 141 flag:de flag-141.png"
  "14 143 flag:es flag-143.png"
  "14 144 flag:fr flag-144.png"
  "14 145 flag:en flag-145.png"
  "14 146 flag:it flag-146.png"
  "14 147 flag:nl flag-147.png"
  "14 148 flag:pt flag-148.png"
  "14 149 flag:tr flag-149.png"
  "14 151 flag:ro flag-151.png"
  "14 152 flag:zh flag-152.png"
  "14 155 flag:el flag-155.png"
  "14 157 flag:he flag-157.png"
  "14 158 flag:vi flag-158.png"
  "14 161 flag:hu flag-161.png"
  "2 137 banner banner-137.bmp")

set(art_dir ${CMAKE_CURRENT_BINARY_DIR}/art)
file(MAKE_DIRECTORY ${art_dir})
set(art_files)
set(art_requests)
foreach(entry IN LISTS art_pictures)
  string(REPLACE " " ";" fields "${entry}")
  list(GET fields 0 type)
  list(GET fields 1 id)
  list(GET fields 2 picture)
  list(GET fields 3 name)
  list(APPEND art_files ${art_dir}/${name})
  list(APPEND art_requests ${picture}=${art_dir}/${name})
  list(APPEND vnrc_args --file ${type} ${id} ${art_dir}/${name})
endforeach()

add_custom_command(
  OUTPUT ${art_files}
  COMMAND vnart ${art_requests}
  DEPENDS vnart
  COMMENT "Drawing the installer's pictures"
  VERBATIM)
list(APPEND vnrc_inputs ${art_files})
