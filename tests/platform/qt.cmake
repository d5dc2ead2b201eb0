# Tests of the Qt side of platform/. They run on the offscreen platform and install fakes, so none of them
# shows a window on a desktop, plays sound, starts a program or reaches the system bus.
foreach(unit desktop_actions music_player message_box single_instance notification_area file_dialog file_watcher)
    chimewell_add_test(${unit}_qt_test QT
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/${unit}_qt_test.cpp
        LIBRARIES chimewell_platform_qt chimewell_platform_fakes Qt6::Test)
endforeach()
