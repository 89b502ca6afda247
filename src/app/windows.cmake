# The program's windows (library app) and the executable zorva-config. Included from the
# application shell's CMakeLists.txt, so paths are relative to this folder.
add_library(app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AppResources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CentredMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortRSLink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewLink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Program.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramVersion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShellRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TerminationSignals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TForm1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TForm3.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resources/app.qrc
)
target_include_directories(app PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(app PUBLIC appbase link linkport configui configfile preview serial serialdialog
  Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Svg)
# The version shown in the about box is the top-level project's VERSION.
target_compile_definitions(app PRIVATE
  ZORVA_VERSION_MAJOR=${CMAKE_PROJECT_VERSION_MAJOR}
  ZORVA_VERSION_MINOR=${CMAKE_PROJECT_VERSION_MINOR}
  ZORVA_VERSION_PATCH=${CMAKE_PROJECT_VERSION_PATCH}
  ZORVA_VERSION_TWEAK=${CMAKE_PROJECT_VERSION_TWEAK}
)
zorva_strict(app)

add_executable(zorva-config ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(zorva-config PRIVATE app)
zorva_strict(zorva-config)
