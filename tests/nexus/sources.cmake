list(APPEND QV_TEST_SOURCES tests/nexus/nexus_test.cpp)
