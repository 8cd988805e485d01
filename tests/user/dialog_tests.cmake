# The dialog and menu-bar tests: a binary of their own, since they run
# against the game's resource table (its dialog templates, menu bar and logo)
# rather than the small table of the window-manager tests. Reference pictures
# live in golden/; TAVILO_UPDATE_GOLDEN=1 writes them afresh.
add_executable(dialog_tests dialog_support.cpp dialog_test.cpp menubar_test.cpp)
target_compile_definitions(dialog_tests PRIVATE
  TAVILO_DIALOG_GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/golden"
  TAVILO_DIALOG_OUTPUT_DIR="${CMAKE_CURRENT_BINARY_DIR}")
target_link_libraries(dialog_tests PRIVATE
  tavilo_user tavilo_gdi tavilo_registry tavilo_resources tavilo_runtime GTest::gtest GTest::gtest_main)
add_test(NAME dialog_tests COMMAND dialog_tests)

# The demonstration program's dialogs, run through its headless host.
if(TARGET demo-headless)
  target_sources(dialog_tests PRIVATE demo_dialogs_test.cpp)
  target_compile_definitions(dialog_tests PRIVATE TAVILO_DEMO_HEADLESS="$<TARGET_FILE:demo-headless>")
  add_dependencies(dialog_tests demo-headless)
endif()
