# Run by cpack over its staging folder before it packs it: every folder gets
# rwxr-xr-x, whatever umask the builder had, since cmake makes the folders
# on the way to an installed file with the umask's mode.
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
# Only ever cpack's own staging folder, never a folder of the machine.
if(NOT stage MATCHES "/_CPack_Packages/" OR NOT IS_DIRECTORY "${stage}")
  message(FATAL_ERROR "not a cpack staging folder: '${stage}'")
endif()
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${stage}/*")
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY "${folder}" AND NOT IS_SYMLINK "${folder}")
    file(CHMOD "${folder}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
         WORLD_EXECUTE)
  endif()
endforeach()
