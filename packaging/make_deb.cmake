# Makes the Debian package with cpack into OUT_DIR, and SHA256SUMS beside it. cpack dates every
# file in the package by SOURCE_DATE_EPOCH, the commit's time (source_date_epoch.cmake), so two
# builds of one commit give the same bytes.
# cmake -D SOURCE_DIR=... -D CPACK=... -D CONFIG=.../CPackConfig.cmake -D OUT_DIR=... -P this
include(${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.cmake)
file(REMOVE_RECURSE ${OUT_DIR})
execute_process(COMMAND ${CPACK} -G DEB --config ${CONFIG} -B ${OUT_DIR}
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${OUT_DIR}/_CPack_Packages)
file(GLOB debs RELATIVE ${OUT_DIR} ${OUT_DIR}/*.deb)
set(sums "")
foreach(deb IN LISTS debs)
  file(SHA256 ${OUT_DIR}/${deb} sum)
  string(APPEND sums "${sum}  ${deb}\n")
endforeach()
file(WRITE ${OUT_DIR}/SHA256SUMS "${sums}")
