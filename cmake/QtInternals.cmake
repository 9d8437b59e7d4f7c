# The Qt that src/typeface/qtinternals is built against. That library reaches into Qt's font and
# PDF engines through Qt's private headers, which change between Qt's minor versions without
# notice: the build stops for a Qt whose internals it was not tested with. Porters set
# -DGW_UNTESTED_QT=ON to build all the same, and then run the typeface tests
# (ctest -R 'tst_(qtbuild|filefaces|fontlayer|sampleboxface|printsheet)').
#
# The faces also hand FreeType faces and HarfBuzz fonts between Qt and this program's own FreeType
# and HarfBuzz: Qt must use the system's libraries, the ones linked here, not copies of its own.

set(GW_QT_TESTED_FIRST 6.4.0)
set(GW_QT_TESTED_BEYOND 6.5.0)
option(GW_UNTESTED_QT "Build against a Qt version whose internals Glyphworks was not tested with (for porters)" OFF)

if(Qt6_VERSION VERSION_LESS GW_QT_TESTED_FIRST OR NOT Qt6_VERSION VERSION_LESS GW_QT_TESTED_BEYOND)
  set(gw_qt_message
      "Qt ${Qt6_VERSION} found, but Glyphworks' font engine code (src/typeface/qtinternals) uses Qt's "
      "private interfaces and was tested with Qt ${GW_QT_TESTED_FIRST} up to, not including, "
      "${GW_QT_TESTED_BEYOND} (Qt 6.4.x).")
  if(GW_UNTESTED_QT)
    message(WARNING ${gw_qt_message} " Building all the same (GW_UNTESTED_QT=ON): run the typeface tests.")
  else()
    message(FATAL_ERROR ${gw_qt_message}
            " Build with a tested Qt, or pass -DGW_UNTESTED_QT=ON to port it (then run the typeface tests).")
  endif()
endif()

# Qt's build configuration, as its private headers were made: the header qtgui-config_p.h in the
# include directories of Qt6::GuiPrivate.
get_target_property(gw_gui_private_includes Qt6::GuiPrivate INTERFACE_INCLUDE_DIRECTORIES)
find_file(GW_QTGUI_CONFIG_P qtgui-config_p.h PATHS ${gw_gui_private_includes} PATH_SUFFIXES private QtGui/private
          NO_DEFAULT_PATH NO_CACHE)
if(NOT GW_QTGUI_CONFIG_P)
  message(FATAL_ERROR "Qt ${Qt6_VERSION}'s private headers (qtgui-config_p.h of Qt6::GuiPrivate, looked for in "
                      "${gw_gui_private_includes}) are missing; on Debian they come with qt6-base-private-dev.")
endif()
file(STRINGS "${GW_QTGUI_CONFIG_P}" gw_qt_system_features REGEX "^#define QT_FEATURE_system_(freetype|harfbuzz) ")
foreach(library freetype harfbuzz)
  if(NOT gw_qt_system_features MATCHES "QT_FEATURE_system_${library} 1")
    message(FATAL_ERROR "Qt ${Qt6_VERSION} was built without the system's ${library} "
                        "(QT_FEATURE_system_${library} is not 1 in ${GW_QTGUI_CONFIG_P}). Glyphworks hands "
                        "faces between Qt and the system's ${library}, so it needs a Qt built with "
                        "-DFEATURE_system_${library}=ON, as the distributions build it.")
  endif()
endforeach()
message(STATUS "Qt ${Qt6_VERSION}: tested with its internals, draws with the system's FreeType and HarfBuzz")
