# Run by CPack on the staged tree, before the .deb is made from it.
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_DIRECTORY "${usr}/bin")
  message(FATAL_ERROR "no staged tree at ${usr}")
endif()

file(GLOB manuals "${usr}/share/man/man*/*.[1-9]")
foreach(manual IN LISTS manuals)
  execute_process(COMMAND gzip -9n "${manual}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

set(doc "${usr}/share/doc/${CPACK_PACKAGE_NAME}")
file(COPY "${CPACK_ZENTRIVO_DEB_DIR}/copyright" DESTINATION "${doc}")
# Dated by SOURCE_DATE_EPOCH when set, so that a rebuild gives the same package.
string(TIMESTAMP CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file("${CPACK_ZENTRIVO_DEB_DIR}/changelog.in" "${doc}/changelog" @ONLY)
execute_process(COMMAND gzip -9n "${doc}/changelog" COMMAND_ERROR_IS_FATAL ANY)
