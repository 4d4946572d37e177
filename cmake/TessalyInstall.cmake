# What `cmake --install` and the Debian package put where, in two layouts:
#
# - the plain layout (component "game", what `cmake --install` installs): the starters
#   `tessaly` and `tessaly-editor` and the tools in bin/, the game folder with its programs
#   in share/tessaly/; it may be installed under any prefix and moved;
# - the Debian games layout (component "debian", installed only when asked for: by the
#   package, and by the package test into a staging folder): the starters in games/, the
#   programs in lib/games/tessaly/, the game's data in share/games/tessaly/, the tools in
#   bin/, and the copyright file and changelog in share/doc/tessaly/.
#
# Both carry the menu entries, the icons, the desktop metadata, the level-file type and
# the manual pages. Score files and screenshots are never installed: they belong to the
# player, in the folder the starter prepares.
include(GNUInstallDirs)

# What the installation adds, made at build time into build/obj/install: the icon drawn in
# each menu size from the one SVG, the desktop metadata with this release, and the manual
# pages and the package's changelog compressed as Debian keeps them.
set(install_dir ${PROJECT_BINARY_DIR}/obj/install)
find_program(TESSALY_RSVG_CONVERT rsvg-convert)
if(NOT TESSALY_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert draws the menu icons: install librsvg2-bin (scripts/deps does)")
endif()
set(TESSALY_ICON_SIZES 48 64 128 256)
set(TESSALY_ICON_DIR ${install_dir}/icons)
set(icons)
foreach(size IN LISTS TESSALY_ICON_SIZES)
    set(png ${TESSALY_ICON_DIR}/${size}/tessaly.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSALY_ICON_DIR}/${size}
        COMMAND ${TESSALY_RSVG_CONVERT} --width ${size} --height ${size} --output ${png}
                ${PROJECT_SOURCE_DIR}/desktop/tessaly.svg
        DEPENDS ${PROJECT_SOURCE_DIR}/desktop/tessaly.svg VERBATIM)
    list(APPEND icons ${png})
endforeach()

# The metadata's screenshots are published under the home page (docs/screenshots/ holds
# them); a software centre fetches them from there.
set(TESSALY_HOMEPAGE "https://tessaly.invalid" CACHE STRING
    "The game's home page, named by the desktop metadata and the package")
set(TESSALY_MAINTAINER "Tessaly developers <tessaly@tessaly.invalid>")
set(TESSALY_APP_ID org.tessaly.tessaly)
set(TESSALY_METAINFO ${install_dir}/${TESSALY_APP_ID}.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/desktop/tessaly.metainfo.xml.in ${TESSALY_METAINFO} @ONLY)

set(compressed)
foreach(page tessaly.6 tessaly-editor.6 tessaly-pack.1 tessaly-headless.1)
    set(gz ${install_dir}/man/${page}.gz)
    add_custom_command(OUTPUT ${gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${install_dir}/man
        COMMAND sh -c "gzip -9nc < \"$1\" > \"$2\"" gzip ${PROJECT_SOURCE_DIR}/docs/man/${page} ${gz}
        DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page} VERBATIM)
    list(APPEND TESSALY_MAN_PAGES ${gz})
endforeach()
# The changelog's date is the release's, written as Debian writes dates ("Tue, 08 Dec 2026").
string(REGEX MATCH "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$" matched ${TESSALY_RELEASE_DATE})
if(NOT matched)
    message(FATAL_ERROR "TESSALY_RELEASE_DATE is not YYYY-MM-DD: ${TESSALY_RELEASE_DATE}")
endif()
set(day_text ${CMAKE_MATCH_3})
math(EXPR year "${CMAKE_MATCH_1}")
math(EXPR month "1${CMAKE_MATCH_2} - 100")
math(EXPR day "1${CMAKE_MATCH_3} - 100")
# The day of the week by Sakamoto's method: 0 is Sunday.
set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
math(EXPR m0 "${month} - 1")
list(GET month_offsets ${m0} offset)
set(y ${year})
if(month LESS 3)
    math(EXPR y "${year} - 1")
endif()
math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
set(weekday_names Sun Mon Tue Wed Thu Fri Sat)
list(GET weekday_names ${weekday} weekday_name)
set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET month_names ${m0} month_name)
set(TESSALY_RELEASE_DAY "${weekday_name}, ${day_text} ${month_name} ${year}")
configure_file(${PROJECT_SOURCE_DIR}/desktop/debian/changelog.in ${install_dir}/changelog @ONLY)
set(TESSALY_DEBIAN_CHANGELOG ${install_dir}/changelog.gz)
add_custom_command(OUTPUT ${TESSALY_DEBIAN_CHANGELOG}
    COMMAND sh -c "gzip -9nc < \"$1\" > \"$2\"" gzip ${install_dir}/changelog ${TESSALY_DEBIAN_CHANGELOG}
    DEPENDS ${install_dir}/changelog VERBATIM)
add_custom_target(tessaly_install_files ALL
    DEPENDS ${icons} ${TESSALY_MAN_PAGES} ${TESSALY_DEBIAN_CHANGELOG})

# tessaly_install_layout(COMPONENT name STARTERS dir PROGRAMS dir GAME_DATA dir [EXCLUDE_FROM_ALL])
function(tessaly_install_layout)
    cmake_parse_arguments(L "EXCLUDE_FROM_ALL" "COMPONENT;STARTERS;PROGRAMS;GAME_DATA" "" ${ARGN})
    set(to COMPONENT ${L_COMPONENT})
    if(L_EXCLUDE_FROM_ALL)
        list(APPEND to EXCLUDE_FROM_ALL)
    endif()

    install(TARGETS tessaly editor RUNTIME DESTINATION ${L_PROGRAMS} ${to})
    install(TARGETS tessaly-pack tessaly-headless RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} ${to})
    install(DIRECTORY ${TESSALY_GAME_DIR}/data DESTINATION ${L_GAME_DATA} ${to}
        FILES_MATCHING PATTERN "*.pak")
    install(DIRECTORY ${TESSALY_GAME_DIR}/sfx DESTINATION ${L_GAME_DATA} ${to}
        FILES_MATCHING PATTERN "*.mp3")
    install(DIRECTORY ${TESSALY_GAME_DIR}/levels DESTINATION ${L_GAME_DATA} ${to}
        FILES_MATCHING PATTERN "*.lvl")

    # The starter finds the game's folders from where it lies, so the installation can move.
    set(prefix /tessaly-prefix)
    file(RELATIVE_PATH TESSALY_GAME_FROM_STARTER ${prefix}/${L_STARTERS} ${prefix}/${L_GAME_DATA})
    file(RELATIVE_PATH TESSALY_PROGRAMS_FROM_STARTER ${prefix}/${L_STARTERS} ${prefix}/${L_PROGRAMS})
    set(starter ${PROJECT_BINARY_DIR}/obj/install/${L_COMPONENT}/tessaly-start)
    configure_file(${PROJECT_SOURCE_DIR}/desktop/start.sh.in ${starter} @ONLY)
    install(PROGRAMS ${starter} DESTINATION ${L_STARTERS} RENAME tessaly ${to})
    # The same starter under the editor's name starts the level editor.
    install(PROGRAMS ${starter} DESTINATION ${L_STARTERS} RENAME tessaly-editor ${to})

    set(share ${CMAKE_INSTALL_DATADIR})
    install(FILES ${PROJECT_SOURCE_DIR}/desktop/tessaly.desktop
                  ${PROJECT_SOURCE_DIR}/desktop/tessaly-editor.desktop
        DESTINATION ${share}/applications ${to})
    install(FILES ${PROJECT_SOURCE_DIR}/desktop/tessaly.svg
        DESTINATION ${share}/icons/hicolor/scalable/apps ${to})
    foreach(size IN LISTS TESSALY_ICON_SIZES)
        install(FILES ${TESSALY_ICON_DIR}/${size}/tessaly.png
            DESTINATION ${share}/icons/hicolor/${size}x${size}/apps ${to})
    endforeach()
    install(FILES ${TESSALY_METAINFO} DESTINATION ${share}/metainfo ${to})
    install(FILES ${PROJECT_SOURCE_DIR}/desktop/tessaly-level.xml
        DESTINATION ${share}/mime/packages RENAME tessaly.xml ${to})
    foreach(page IN LISTS TESSALY_MAN_PAGES)
        get_filename_component(name ${page} NAME)
        string(REGEX REPLACE ".*\\.([0-9])\\.gz$" "\\1" section ${name})
        install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} ${to})
    endforeach()
endfunction()

tessaly_install_layout(COMPONENT game
    STARTERS ${CMAKE_INSTALL_BINDIR}
    PROGRAMS ${CMAKE_INSTALL_DATADIR}/tessaly
    GAME_DATA ${CMAKE_INSTALL_DATADIR}/tessaly)

# The Debian games layout, with what a Debian package carries beside it.
tessaly_install_layout(COMPONENT debian EXCLUDE_FROM_ALL
    STARTERS games
    PROGRAMS lib/games/tessaly
    GAME_DATA share/games/tessaly)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/debian/copyright ${TESSALY_DEBIAN_CHANGELOG}
    DESTINATION share/doc/tessaly COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/debian/lintian-overrides
    DESTINATION share/lintian/overrides RENAME tessaly COMPONENT debian EXCLUDE_FROM_ALL)

include(${CMAKE_CURRENT_LIST_DIR}/TessalyPackage.cmake)
