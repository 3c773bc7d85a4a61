list(APPEND QV_APP_SOURCES
  app/main.cpp
  app/console_front_end.cpp
)
