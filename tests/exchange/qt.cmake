# The export and search windows on the offscreen platform; message boxes and file choosers are answered by
# script, so nothing waits on a person or opens a real chooser.
chimewell_add_test(exchange_form_export_qt_test QT
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/form_export_qt_test.cpp
    LIBRARIES chimewell_exchange_qt Qt6::Test)
# The search window, export and import as the main window offers them, end to end with the data file.
chimewell_add_test(exchange_main_window_qt_test QT
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/main_window_exchange_qt_test.cpp
    LIBRARIES chimewell_app chimewell_platform_fakes Qt6::Test)
