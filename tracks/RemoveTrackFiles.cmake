# Removes the compiled track files in DIR, so that a track whose source was
# deleted does not live on in the show directory.
file(GLOB old_tracks "${DIR}/data-2Fscience_*.track")
if(old_tracks)
  file(REMOVE ${old_tracks})
endif()
