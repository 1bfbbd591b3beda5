# Collects the sources of one folder (non-recursive) so new files join the build
# without editing lists.
function(reelvista_sources out dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c ${dir}/*.h)
  set(${out} ${_src} PARENT_SCOPE)
endfunction()

# The Qt and test framework headers nearly every file of a Qt target includes, parsed
# once per target instead of once per file: most of the build's time goes there.
option(REELVISTA_PCH "Precompile the common headers of the Qt targets and the tests" ON)
function(reelvista_common_headers target)
  if(NOT REELVISTA_PCH)
    return()
  endif()
  target_precompile_headers(${target} PRIVATE
    <QApplication> <QWidget> <QString> <QStringList> <QTimer> <QDir> <QFile> <QImage>
    <QPainter> <functional> <memory> <optional> <string> <vector> ${ARGN})
endfunction()
