# Run by cpack between the installation into its staging folder and the
# package: the portable folder's menu entries name the staging folder, and the
# package has its own in /usr/share/applications.
file(GLOB_RECURSE stray "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/vorlane/vorlane*.desktop")
if(stray)
  file(REMOVE ${stray})
endif()
