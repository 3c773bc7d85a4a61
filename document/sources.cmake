list(APPEND QV_CORE_SOURCES
  document/document.cpp
  document/parser.cpp
)
