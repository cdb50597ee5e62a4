# zuzor-windows.zip: a folder with zuzor.exe and Data/, which a viewer unpacks and starts
# with a double click (the working directory is then the folder, where Data\ is). The
# exe is linked statically and needs no DLL beside the system's own; it is stripped here.
install(TARGETS zuzor RUNTIME DESTINATION .)
install(FILES Data/ZUZOR.XM Data/drell.tga Data/korvane.tga DESTINATION Data)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zuzor)
set(CPACK_PACKAGE_FILE_NAME zuzor-windows)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
