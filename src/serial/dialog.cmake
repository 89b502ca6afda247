# serialdialog: the port list and the port settings dialog.
add_library(serialdialog STATIC
  ${CMAKE_CURRENT_LIST_DIR}/PortList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFormKonf.cpp
)
target_include_directories(serialdialog PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(serialdialog PUBLIC serial appbase Qt6::Core Qt6::Widgets Qt6::SerialPort)
zorva_strict(serialdialog)
