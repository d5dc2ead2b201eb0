# Tests of the reminder window and the shutdown countdown. They run on the offscreen platform with the desktop
# actions and the music player replaced by fakes, so nothing is powered off, started, opened or played.
foreach(unit remind_box auto_shutdown missed_reminders remind_notifications)
    chimewell_add_test(${unit}_qt_test QT
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/${unit}_qt_test.cpp
        LIBRARIES chimewell_runtime_qt chimewell_platform_fakes Qt6::Test Qt6::DBus)
endforeach()
