list(APPEND QV_CORE_SOURCES
  document/document.cpp
  document/import_reap.cpp
  document/info.cpp
  document/parser.cpp
  document/safe_save.cpp
  document/tree_out.cpp
)
