# Dialog templates: one source per template (format in tools/vnrc/dialog_source.hpp).
file(GLOB dialog_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.txt)
list(SORT dialog_sources)
foreach(source IN LISTS dialog_sources)
  list(APPEND vnrc_args --dialog ${source})
  list(APPEND vnrc_inputs ${source})
endforeach()
