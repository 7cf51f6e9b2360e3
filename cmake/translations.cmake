# The window's texts in English and Russian. translations/*.ts are the sources
# in the tree; the build turns them into .qm files that dravik_gui carries
# under :/i18n. After marking new texts:
#   cmake --build build --target update_translations
# gathers them into the .ts files, to be translated there. The ctest
# `translations` fails while any text lacks a finished English translation.
find_package(Qt6 REQUIRED COMPONENTS LinguistTools)
file(GLOB_RECURSE DRAVIK_I18N_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h)
# Locations change with every edit; without them the .ts files change only with the texts.
set(DRAVIK_LUPDATE_OPTIONS -no-obsolete -locations none -tr-function-alias QT_TRANSLATE_NOOP+=DRAVIK_TR_NOOP)
qt_add_translations(dravik_gui
  TS_FILES translations/dravik_en.ts translations/dravik_ru.ts
  SOURCES ${DRAVIK_I18N_SOURCES}
  RESOURCE_PREFIX /i18n
  LUPDATE_OPTIONS ${DRAVIK_LUPDATE_OPTIONS})
