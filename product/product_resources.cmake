# Gives a product program its own ".vnres" section holding its version resource (RT_VERSION 1),
# compiled by vnrc from a version source like resources/version/version.txt, and, with ICON, its
# icon (RT_GROUP_ICON 128), drawn by vnart as that picture ("program-icon", "uninstaller-icon"), and,
# with STRINGS, the string tables of those string sources.
function(quillon_product_resources target version_source)
  cmake_parse_arguments(PARSE_ARGV 2 res "" "ICON" "STRINGS")
  set(table ${CMAKE_CURRENT_BINARY_DIR}/${target}.vnres)
  set(inputs ${version_source})
  set(icon_args)
  set(icon_commands)
  if(res_ICON)
    set(icon ${CMAKE_CURRENT_BINARY_DIR}/${target}-icon.ico)
    add_custom_command(
      OUTPUT ${icon}
      COMMAND vnart ${res_ICON}=${icon}
      DEPENDS vnart
      COMMENT "Drawing the icon of ${target}"
      VERBATIM)
    list(APPEND inputs ${icon})
    set(icon_args --file 14 128 ${icon})
  endif()
  set(string_args)
  foreach(source IN LISTS res_STRINGS)
    list(APPEND string_args --strings ${source})
    list(APPEND inputs ${source})
  endforeach()
  add_custom_command(
    OUTPUT ${table}
    COMMAND vnrc ${table} --version 1 ${version_source} ${icon_args} ${string_args}
    DEPENDS vnrc ${inputs}
    COMMENT "Compiling the resources of ${target}"
    VERBATIM)
  add_custom_target(${target}_product_resources DEPENDS ${table})

  set(section_source ${CMAKE_CURRENT_BINARY_DIR}/${target}_resource_section.S)
  file(WRITE ${section_source}
    "    .section .vnres,\"\",@progbits\n"
    "    .balign 16\n"
    "    .incbin \"${table}\"\n"
    "    .section .note.GNU-stack,\"\",@progbits\n")
  set_source_files_properties(${section_source} PROPERTIES OBJECT_DEPENDS ${table})
  target_sources(${target} PRIVATE ${section_source})
  add_dependencies(${target} ${target}_product_resources)
endfunction()
