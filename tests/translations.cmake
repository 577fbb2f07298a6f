# The English catalogue is complete when lupdate, run over the game's sources
# into a copy of it, leaves the copy unchanged and finds every text translated.
# Called by CTest: cmake -DLUPDATE=... -DLUPDATE_OPTIONS=... -DCATALOGUE=... -DSOURCE_LIST=...
#                  -DWORK_DIR=... -P translations.cmake
file(MAKE_DIRECTORY ${WORK_DIR})
get_filename_component(name ${CATALOGUE} NAME)
set(copy ${WORK_DIR}/${name})
configure_file(${CATALOGUE} ${copy} COPYONLY)
execute_process(COMMAND ${LUPDATE} -silent ${LUPDATE_OPTIONS} @${SOURCE_LIST} -ts ${copy}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${copy}")
endif()
file(STRINGS ${copy} open_entries REGEX "type=\"(unfinished|vanished|obsolete)\"")
if(open_entries)
    message(FATAL_ERROR "${name} has untranslated or stale texts; run the update_translations "
                        "target and translate them:\n${open_entries}")
endif()
file(SHA256 ${CATALOGUE} before)
file(SHA256 ${copy} after)
if(NOT before STREQUAL after)
    message(FATAL_ERROR "${name} is out of date with the sources; run the update_translations target")
endif()
