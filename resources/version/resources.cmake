# The installer's own version resource.
list(APPEND vnrc_args --version 1 ${CMAKE_CURRENT_LIST_DIR}/version.txt)
list(APPEND vnrc_inputs ${CMAKE_CURRENT_LIST_DIR}/version.txt)
