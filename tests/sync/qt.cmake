# The sync over the network: two data folders through a real Radicale on 127.0.0.1, and stand-in servers that
# fail or never answer. No display is needed: the run and its client are QtCore and QtNetwork alone.
chimewell_add_test(sync_caldav_qt_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/caldav_sync_qt_test.cpp
    LIBRARIES chimewell_sync_qt Qt6::Network)
target_include_directories(sync_caldav_qt_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/data)
set_tests_properties(sync_caldav_qt_test PROPERTIES ENVIRONMENT "LANG=C.UTF-8;TZ=Asia/Shanghai;ASAN_OPTIONS=detect_leaks=0")
# What the sync trusts: another client's edits through the same real server, and stand-ins that redirect,
# trickle or never end.
chimewell_add_test(sync_trust_qt_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_trust_qt_test.cpp
    LIBRARIES chimewell_sync_qt Qt6::Network)
target_include_directories(sync_trust_qt_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/data)
set_tests_properties(sync_trust_qt_test PROPERTIES ENVIRONMENT "LANG=C.UTF-8;TZ=Asia/Shanghai;ASAN_OPTIONS=detect_leaks=0")
# Warnings, intervals and ends both ways, and another client's alarms and rules, over the same real server.
chimewell_add_test(sync_schedule_qt_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_schedule_qt_test.cpp
    LIBRARIES chimewell_sync_qt Qt6::Network)
target_include_directories(sync_schedule_qt_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/data)
set_tests_properties(sync_schedule_qt_test PROPERTIES ENVIRONMENT "LANG=C.UTF-8;TZ=Asia/Shanghai;ASAN_OPTIONS=detect_leaks=0")
# The program's sync timing, over the same real server.
chimewell_add_test(sync_controller_qt_test QT
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_controller_qt_test.cpp
    LIBRARIES chimewell_app)
target_include_directories(sync_controller_qt_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/data)
# chimewell-cli sync, over the same real server.
chimewell_add_test(sync_cli_qt_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_sync_qt_test.cpp
    LIBRARIES chimewell_cli_sync)
target_include_directories(sync_cli_qt_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/data)
# The read-only folder is tried with the real chimewell-cli, run as "nobody" when the tests run as root.
target_compile_definitions(sync_cli_qt_test PRIVATE CHIMEWELL_CLI="$<TARGET_FILE:chimewell-cli>")
target_compile_definitions(sync_cli_qt_test PRIVATE CHIMEWELL_CLI_SYNC="$<TARGET_FILE:chimewell-cli-sync>")
add_dependencies(sync_cli_qt_test chimewell-cli chimewell-cli-sync)
set_tests_properties(sync_cli_qt_test PROPERTIES ENVIRONMENT "LANG=C.UTF-8;TZ=Asia/Shanghai;ASAN_OPTIONS=detect_leaks=0")
# The settings page 同步, over the same real server.
chimewell_add_test(sync_page_qt_test QT
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_page_qt_test.cpp
    LIBRARIES chimewell_system_qt Qt6::Test)
target_include_directories(sync_page_qt_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/data ${PROJECT_SOURCE_DIR}/tests)
