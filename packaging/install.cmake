# The installed game, in the Debian layout for games under CMAKE_INSTALL_PREFIX:
#   games/vorlin, games/vorlin-arena       the programs
#   lib/vorlin/levelgen, lib/vorlin/soundgen the generators of the shared data
#   share/games/vorlin/                    the default level's bitmaps and the sounds (data/),
#                                          the icon, the generated levels (levels/, in a
#                                          package)
#   share/applications, share/icons, share/metainfo, share/man/man6, share/doc/vorlin
# The game finds share/games/vorlin from its own place (src/main/game_folder.h), so the
# layout below is also what it expects.

find_program(VORLIN_CONVERT convert REQUIRED)   # imagemagick: the icon's PNGs
find_program(VORLIN_GZIP gzip REQUIRED)

# The shared data as made by the build; the installation copies it from here. Not beside
# the programs' ../share, so that the programs of the build tree never take it for an
# installation's.
set(VORLIN_SHARED ${PROJECT_BINARY_DIR}/shared)
set(VORLIN_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(VORLIN_ICON_SIZES 48 128 256)

# The generators write whole folders; a stamp stands for each folder's files.
add_custom_command(
  OUTPUT ${VORLIN_SHARED}/level.stamp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VORLIN_SHARED}/data
  COMMAND $<TARGET_FILE:levelgen> ${VORLIN_SHARED}/data
  COMMAND ${CMAKE_COMMAND} -E touch ${VORLIN_SHARED}/level.stamp
  DEPENDS levelgen
  COMMENT "Making the default level's bitmaps")
add_custom_command(
  OUTPUT ${VORLIN_SHARED}/sounds.stamp
  COMMAND $<TARGET_FILE:soundgen> --overwrite ${VORLIN_SHARED}/data/sounds
  COMMAND ${CMAKE_COMMAND} -E touch ${VORLIN_SHARED}/sounds.stamp
  DEPENDS soundgen
  COMMENT "Making the sounds")

# The icon drawn at 64 pixels; the larger sizes keep its pixels sharp, the smallest is
# scaled down smoothly.
set(icon_outputs)
set(icon_commands)
foreach(size ${VORLIN_ICON_SIZES})
  if(size LESS 64)
    set(filter -filter Lanczos)
  else()
    set(filter -filter point)
  endif()
  list(APPEND icon_outputs ${VORLIN_SHARED}/icons/${size}/vorlin.png)
  list(APPEND icon_commands
       COMMAND ${CMAKE_COMMAND} -E make_directory ${VORLIN_SHARED}/icons/${size}
       COMMAND ${VORLIN_CONVERT} ${VORLIN_SHARED}/icon.bmp ${filter} -resize ${size}x${size}
               -strip ${VORLIN_SHARED}/icons/${size}/vorlin.png)
endforeach()
add_custom_command(
  OUTPUT ${icon_outputs}
  COMMAND $<TARGET_FILE:icongen> ${VORLIN_SHARED}/data ${VORLIN_SHARED}/icon.bmp
  ${icon_commands}
  DEPENDS icongen ${VORLIN_SHARED}/level.stamp
  COMMENT "Drawing the icon")

# The man pages come from the programs' own usage, so they never say other than --help.
set(man_pages)
foreach(program vorlin vorlin-arena)
  set(page ${VORLIN_SHARED}/man/${program}.6.gz)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VORLIN_SHARED}/man
    COMMAND bash ${PROJECT_SOURCE_DIR}/tools/manpage.sh $<TARGET_FILE:${program}>
            ${VORLIN_SHARED}/man/${program}.6
    COMMAND ${VORLIN_GZIP} -9nf ${VORLIN_SHARED}/man/${program}.6
    DEPENDS ${program} ${PROJECT_SOURCE_DIR}/tools/manpage.sh
    COMMENT "Writing the man page of ${program}")
  list(APPEND man_pages ${page})
endforeach()

configure_file(${VORLIN_PACKAGING}/vorlin.metainfo.xml.in ${VORLIN_SHARED}/vorlin.metainfo.xml @ONLY)
# The project packages itself (a native package, versioned without a Debian revision),
# so its changelog is changelog.gz, in Debian's format.
configure_file(${VORLIN_PACKAGING}/changelog.in ${VORLIN_SHARED}/changelog @ONLY)
add_custom_command(
  OUTPUT ${VORLIN_SHARED}/changelog.gz
  COMMAND ${VORLIN_GZIP} -9nkf ${VORLIN_SHARED}/changelog
  DEPENDS ${VORLIN_SHARED}/changelog)

# The generated levels are made for a package only (VORLIN_PACKAGE_LEVELS): a minute of
# work that an ordinary build does not need.
set(shared_levels)
if(VORLIN_PACKAGE_LEVELS)
  add_custom_command(
    OUTPUT ${VORLIN_SHARED}/levels.stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${VORLIN_SHARED}/levels
    COMMAND bash ${PROJECT_SOURCE_DIR}/tools/make-levels.sh --packed ${PROJECT_BINARY_DIR}
            ${VORLIN_SHARED}/levels
    COMMAND ${CMAKE_COMMAND} -E touch ${VORLIN_SHARED}/levels.stamp
    DEPENDS levelgen ${PROJECT_SOURCE_DIR}/tools/make-levels.sh
    COMMENT "Making the generated levels")
  set(shared_levels ${VORLIN_SHARED}/levels.stamp)
  install(DIRECTORY ${VORLIN_SHARED}/levels DESTINATION share/games/vorlin)
endif()

add_custom_target(shared_data ALL
  DEPENDS ${VORLIN_SHARED}/level.stamp ${VORLIN_SHARED}/sounds.stamp ${icon_outputs}
          ${man_pages} ${VORLIN_SHARED}/changelog.gz ${shared_levels})

# Installed folders are 0755 whatever the umask of the one installing.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS vorlin vorlin-arena RUNTIME DESTINATION games)
install(TARGETS levelgen soundgen RUNTIME DESTINATION lib/vorlin)
install(DIRECTORY ${VORLIN_SHARED}/data DESTINATION share/games/vorlin)
install(FILES ${VORLIN_SHARED}/icons/256/vorlin.png DESTINATION share/games/vorlin)
foreach(size ${VORLIN_ICON_SIZES})
  install(FILES ${VORLIN_SHARED}/icons/${size}/vorlin.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${VORLIN_PACKAGING}/vorlin.desktop DESTINATION share/applications)
install(FILES ${VORLIN_SHARED}/vorlin.metainfo.xml DESTINATION share/metainfo)
install(FILES ${man_pages} DESTINATION share/man/man6)
install(FILES ${VORLIN_PACKAGING}/copyright ${VORLIN_SHARED}/changelog.gz
        DESTINATION share/doc/vorlin)

# The Debian package (tools/package.sh): its dependencies come from the binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlin)
set(CPACK_PACKAGE_VENDOR "Vorlin developers")
set(CPACK_PACKAGE_CONTACT "Vorlin developers <maintainers@users.noreply.c-seed-b2ab7d03.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-player split-screen action game")
# The extended description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Two people share one keyboard, or take a gamepad each, and fight over a
destructible landscape with five weapons: they walk, jump, aim and dig
tunnels; shots dig holes, rockets blow craters, dirt clods pile up new
ground. A computer player can take either side, two machines can play
over the network, and games can be recorded and watched again.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
