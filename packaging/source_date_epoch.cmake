# Sets velmora_source_date_epoch: the time the packages carry instead of the time they are made,
# so that two builds of one commit give the same bytes. It is SOURCE_DATE_EPOCH when the
# environment gives it, else the time of the last commit, else the start of 2026 (a tree that
# is not a git checkout). Included by the packaging steps with SOURCE_DIR set.
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(velmora_source_date_epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE velmora_source_date_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT velmora_source_date_epoch MATCHES "^[0-9]+$")
    set(velmora_source_date_epoch 1767225600)
  endif()
endif()
# Children (strip, wixl, cpack) read it from the environment too.
set(ENV{SOURCE_DATE_EPOCH} "${velmora_source_date_epoch}")
