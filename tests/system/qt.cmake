# The settings dialog, the about box and the skins on the offscreen platform, driven through their controls;
# message boxes and the file and font choosers are answered by script and the desktop's actions recorded, so
# nothing waits on a person, opens a browser or starts anything.
foreach(unit form_system_set form_about skin)
    chimewell_add_test(system_${unit}_qt_test QT
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/${unit}_qt_test.cpp
        LIBRARIES chimewell_system_qt chimewell_platform_fakes Qt6::Test)
endforeach()
# The settings command as the main window offers it, end to end with config.ini and quickfinish.ini.
chimewell_add_test(system_main_window_settings_qt_test QT
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/main_window_settings_qt_test.cpp
    LIBRARIES chimewell_app chimewell_platform_fakes Qt6::Test)
