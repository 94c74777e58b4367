# Desktop: the real program on Xvfb with the openbox window manager, driven by synthetic mouse
# and key input through xdotool (drag and drop, middle-click, the keyboard after the Find
# dialog's prompt). Skipped when one of the tools is not installed.
if(WORDLARK_BUILD_TESTS)
  add_test(NAME desktop_mouse_and_prompt
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/desktop/mouse_and_prompt_test.sh
                   $<TARGET_FILE:wordlark>)
  set_tests_properties(desktop_mouse_and_prompt PROPERTIES
      TIMEOUT 180
      SKIP_RETURN_CODE 77
      # Real input goes to whichever window is active: nothing else may run on the desktop.
      RUN_SERIAL TRUE)
endif()
