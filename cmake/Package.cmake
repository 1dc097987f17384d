# The Debian package: `cpack -G DEB` in a release build makes quorvia_<version>_<arch>.deb with
# the library dependencies found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME quorvia)
set(CPACK_PACKAGE_VENDOR Teslund)
set(CPACK_PACKAGE_CONTACT "Teslund <quorvia@teslund.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the object database of a phone application")
set(CPACK_PACKAGE_DESCRIPTION
    "Teslund Quorvia edits the small hierarchical database that a Nokia 7650 phone\n\
application reads: a tree of objects and attributes, built by hand or imported\n\
from semicolon-separated text files, and exported as a phone database file\n\
inside an install package.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://teslund.example/quorvia)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
