# Configuration files: load and save of the record, the New/Open/Save commands and their
# file dialogs.
add_library(configfile STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ConfigFile.cpp
)
target_include_directories(configfile PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(configfile PUBLIC config appbase Qt6::Core Qt6::Widgets)
zorva_strict(configfile)
