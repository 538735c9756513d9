# Scoring sound by sound with PocketSphinx, a library of its own: nothing else includes the
# decoder's headers, so that it can be opened at first use like the other heavy libraries.
# Standard C++ beside the core: the fuzz build (core only) includes this file too.
# Debian's pocketsphinx.pc names an include folder that does not exist, which an imported
# target refuses: the folders that are there are used.
find_package(PkgConfig REQUIRED)
pkg_check_modules(POCKETSPHINX REQUIRED pocketsphinx)
set(_pocketsphinx_includes)
foreach(_dir IN LISTS POCKETSPHINX_INCLUDE_DIRS)
    if(IS_DIRECTORY "${_dir}")
        list(APPEND _pocketsphinx_includes "${_dir}")
    endif()
endforeach()
add_library(phonescorer STATIC
    ${CMAKE_CURRENT_LIST_DIR}/phonescorer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/phonescorer.h
    ${CMAKE_CURRENT_LIST_DIR}/voiceadaptation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/voiceadaptation.h
)
target_include_directories(phonescorer PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_include_directories(phonescorer SYSTEM PRIVATE ${_pocketsphinx_includes})
# Not the whole pkg-config list: its audio-device library (sphinxad) brings the sound server's
# client library, which the commands must not load; the scorer reads recordings from files.
set(_pocketsphinx_libraries ${POCKETSPHINX_LINK_LIBRARIES})
list(FILTER _pocketsphinx_libraries EXCLUDE REGEX "sphinxad")
target_link_libraries(phonescorer PUBLIC core voicescore PRIVATE ${_pocketsphinx_libraries})
set_target_properties(phonescorer PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
