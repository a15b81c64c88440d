# Gives a product program its own ".vnres" section holding its version resource (RT_VERSION 1),
# compiled by vnrc from a version source like resources/version/version.txt.
function(quillon_product_resources target version_source)
  set(table ${CMAKE_CURRENT_BINARY_DIR}/${target}.vnres)
  add_custom_command(
    OUTPUT ${table}
    COMMAND vnrc ${table} --version 1 ${version_source}
    DEPENDS vnrc ${version_source}
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
