# Read by cpack when it packages: the package's version is the program's own ("2.2"), asked of
# quillmere_docs, which prints VersionText of the program's version number.
if(CPACK_GENERATOR STREQUAL "DEB")
  execute_process(COMMAND "${CPACK_QUILLMERE_DOCS}" --version
    OUTPUT_VARIABLE CPACK_PACKAGE_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
endif()
