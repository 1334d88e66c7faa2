# The Debian package of an installation under /usr: `cpack -G DEB` in the build folder.
# dpkg-shlibdeps works out the library packages the programs need.
set(CPACK_PACKAGE_NAME veltra)
set(CPACK_PACKAGE_VENDOR ${VELTRA_MAKER})
set(CPACK_PACKAGE_CONTACT "${VELTRA_MAKER} <veltra@brenmoor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_HOMEPAGE_URL ${VELTRA_WEB_SITE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
include(CPack)
