# The dialogs on the offscreen platform, driven through their controls; message boxes and file choosers are
# answered by script, so nothing waits on a person, opens a real chooser, starts or plays anything.
foreach(unit form_add_edit_record form_input_url form_view_record)
    chimewell_add_test(editing_${unit}_qt_test QT
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/${unit}_qt_test.cpp
        LIBRARIES chimewell_editing_qt Qt6::Test)
endforeach()
# The record commands as the main window offers them, end to end with the data file.
chimewell_add_test(editing_main_window_records_qt_test QT
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/main_window_records_qt_test.cpp
    LIBRARIES chimewell_app chimewell_platform_fakes Qt6::Test)
