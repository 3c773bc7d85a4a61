list(APPEND QV_CORE_SOURCES
  distances/commonconst.cpp
  distances/compute_freq.cpp
  distances/covarion.cpp
  distances/det.cpp
  distances/fitchsidow.cpp
  distances/gapdist.cpp
  distances/group_partition.cpp
  distances/hamming.cpp
  distances/jukecantor.cpp
  distances/kimura3st.cpp
  distances/logdet.cpp
  distances/matrices.cpp
  distances/nei_miller.cpp
  distances/pam250.cpp
  distances/usermatrix.cpp
  distances/triangle_check.cpp
)
# The pair loops over all sites are the hot spots of opening large alignments.
set_source_files_properties(distances/hamming.cpp distances/compute_freq.cpp PROPERTIES COMPILE_OPTIONS -O3)
