list(APPEND QV_CORE_SOURCES
  core/auxilary.cpp
  core/labels.cpp
  core/labsets.cpp
  core/memory.cpp
  core/parallel.cpp
  core/message.cpp
  core/progress.cpp
  core/random.cpp
  core/set_array.cpp
  core/sets.cpp
  core/version.cpp
)
