# Installs the build into a fresh PREFIX and checks that the desktop files,
# the icon and the programs land where desktops look for them, and that the
# install brought the desktop's caches up to date where their tools exist.
# Run as: cmake -DBUILD_DIR=... -DPREFIX=... -DLIBDIR=lib... -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

function(expect_file path)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()

function(expect_text path text)
  expect_file(${path})
  file(READ "${PREFIX}/${path}" content)
  string(FIND "${content}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${path} lacks: ${text}")
  endif()
endfunction()

expect_file(bin/dravel)
expect_file(bin/dravel-render)
expect_file(${LIBDIR}/dravel/libdravel-text.so)
expect_text(share/applications/dravel.desktop "Exec=dravel %f")
expect_text(share/applications/dravel.desktop "MimeType=text/x-dravel-script;")
expect_text(share/applications/dravel.desktop "Icon=dravel")
expect_text(share/mime/packages/dravel.xml "<mime-type type=\"text/x-dravel-script\">")
expect_text(share/mime/packages/dravel.xml "<glob pattern=\"*.dvg\"/>")
expect_text(share/icons/hicolor/scalable/apps/dravel.svg "<svg")
expect_text(share/dravel/guide/index.html "<meta charset=\"GBK\">")
expect_file(share/dravel/guide/pictures/example-0.png)
expect_file(share/dravel/guide/pictures/checker.png)

# The installed dravel-render finds its text library where the install put it.
file(WRITE "${PREFIX}/text.dvg" "settext Dravel\r\n")
execute_process(COMMAND "${PREFIX}/bin/dravel-render" -o "${PREFIX}/text.png" "${PREFIX}/text.dvg"
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installed dravel-render cannot write text (${result}): ${errors}")
endif()

# The caches the install writes when the tools are there.
find_program(update_mime update-mime-database NO_CACHE)
if(update_mime)
  expect_text(share/mime/text/x-dravel-script.xml "text/x-dravel-script")
  expect_text(share/mime/globs2 "text/x-dravel-script:*.dvg")
endif()
find_program(update_desktop update-desktop-database NO_CACHE)
if(update_desktop)
  expect_text(share/applications/mimeinfo.cache "text/x-dravel-script=dravel.desktop;")
endif()
