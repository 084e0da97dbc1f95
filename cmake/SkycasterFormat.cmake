# `format` rewrites every C++ file of the project with clang-format.
find_program(CLANG_FORMAT_PROGRAM clang-format)
if(CLANG_FORMAT_PROGRAM)
  add_custom_target(format
    COMMAND sh -c "git ls-files '*.cpp' '*.h' | xargs -r ${CLANG_FORMAT_PROGRAM} -i"
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "clang-format on all sources")
  add_custom_target(format-check
    COMMAND sh -c "git ls-files '*.cpp' '*.h' | xargs -r ${CLANG_FORMAT_PROGRAM} --dry-run --Werror"
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "clang-format check")
endif()
