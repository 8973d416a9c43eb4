# The package's name and where it puts what the programs read at run time. Included by the
# top-level CMakeLists.txt before any target, so install rules and code share these.
include(GNUInstallDirs)
set(TARSEL_PACKAGE_NAME tarsel-utilities)
set(TARSEL_HOMEPAGE "https://tarsel-utilities.example.org")
set(TARSEL_INSTALL_HELP_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${TARSEL_PACKAGE_NAME}/help)
set(TARSEL_INSTALL_EXAMPLES_DIR ${CMAKE_INSTALL_DATAROOTDIR}/${TARSEL_PACKAGE_NAME}/examples)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The release date, given once as the Debian changelog writes it; the metainfo wants it
# as YYYY-MM-DD.
string(REGEX MATCH "^[A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9])$"
       _matched "${TARSEL_RELEASE_DATE}")
if(NOT _matched)
  message(FATAL_ERROR "TARSEL_RELEASE_DATE must read like \"Tue, 08 Dec 2026\"")
endif()
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND _months "${CMAKE_MATCH_2}" _month)
if(_month EQUAL -1)
  message(FATAL_ERROR "TARSEL_RELEASE_DATE: unknown month ${CMAKE_MATCH_2}")
endif()
math(EXPR _month "${_month} + 1" OUTPUT_FORMAT DECIMAL)
if(_month LESS 10)
  set(_month "0${_month}")
endif()
set(TARSEL_RELEASE_DATE_ISO "${CMAKE_MATCH_3}-${_month}-${CMAKE_MATCH_1}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/package_info.h.in
               ${PROJECT_BINARY_DIR}/generated/packaging/package_info.h @ONLY)
include_directories(${PROJECT_BINARY_DIR}/generated)
