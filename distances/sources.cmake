list(APPEND QV_CORE_SOURCES
  distances/compute_freq.cpp
  distances/gapdist.cpp
  distances/hamming.cpp
  distances/jukecantor.cpp
  distances/kimura3st.cpp
  distances/pam250.cpp
  distances/usermatrix.cpp
)
