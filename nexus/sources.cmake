list(APPEND QV_CORE_SOURCES
  nexus/nexus.cpp
)
