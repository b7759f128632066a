# What `cmake --install` puts where, and the Debian package `make package` builds from it:
# the four programs, the desktop entry with its icon and the NC program MIME types, the
# AppStream metainfo and the man pages. Included from the top-level CMakeLists.txt once every
# program target exists.
include(GNUInstallDirs)

# The desktop entry, icon, MIME package and metainfo are all named after this id, as the
# freedesktop specifications ask; the window's icon and its desktop file name use it too.
set(QUILLON_APP_ID org.quillonlt.QuillonLT)
set(quillon_desktop_dir ${PROJECT_SOURCE_DIR}/resources/desktop)

install(TARGETS quillonlt quillonlt-cli quillonlt-ctrlsim quillonlt-hubsim
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${quillon_desktop_dir}/${QUILLON_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${quillon_desktop_dir}/${QUILLON_APP_ID}.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${quillon_desktop_dir}/${QUILLON_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# --- Icon ------------------------------------------------------------------------------------
# One hand-drawn SVG; the PNG sizes of the hicolor theme are rendered from it at build time,
# so they cannot drift from it.
set(QUILLON_ICON_SIZES 16 24 32 48 64 128 256)
set(quillon_icon_svg ${quillon_desktop_dir}/${QUILLON_APP_ID}.svg)
set(quillon_icon_dir ${CMAKE_BINARY_DIR}/icons/hicolor)
add_executable(render_icon ${quillon_desktop_dir}/RenderIcon.cpp)
target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
quillon_warnings(render_icon)
set(quillon_icon_pngs "")
foreach(size IN LISTS QUILLON_ICON_SIZES)
    list(APPEND quillon_icon_pngs ${quillon_icon_dir}/${size}x${size}/apps/${QUILLON_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${quillon_icon_pngs}
    COMMAND render_icon ${quillon_icon_svg} ${quillon_icon_dir} ${QUILLON_ICON_SIZES}
    DEPENDS render_icon ${quillon_icon_svg}
    COMMENT "Rendering the program icon"
    VERBATIM)
add_custom_target(quillon_icons ALL DEPENDS ${quillon_icon_pngs})
install(FILES ${quillon_icon_svg}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${quillon_icon_dir}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# --- Man pages -------------------------------------------------------------------------------
# Installed compressed as Debian's policy wants them (gzip -n: no name or time stamp inside,
# so the package builds the same twice).
set(QUILLON_MAN_PAGES quillonlt quillonlt-cli quillonlt-ctrlsim quillonlt-hubsim)
set(quillon_man_gz "")
foreach(page IN LISTS QUILLON_MAN_PAGES)
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${source} ${compressed}
        DEPENDS ${source}
        VERBATIM)
    list(APPEND quillon_man_gz ${compressed})
endforeach()
add_custom_target(quillon_man_pages ALL DEPENDS ${quillon_man_gz})
install(FILES ${quillon_man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# --- Debian package --------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillonlt)
set(CPACK_PACKAGE_VENDOR "QuillonLT")
set(CPACK_PACKAGE_CONTACT "QuillonLT developers <developers@quillonlt.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "NC program editor and RS-232 DNC workstation for CNC machine shops")
# Lines under 80 columns as dpkg shows them (it indents each by one).
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "QuillonLT is the workstation of a CNC machine shop: part programmers and\n"
    "operators edit NC programs (G-code) in it, send them to the controls and\n"
    "receive them back over RS-232 (plain, Fanuc DNC, MAZAK and HEIDENHAIN\n"
    "exchanges), batch-edit them, check their tool paths in 2D and 3D backplots\n"
    "and follow the shop's monitoring hub. The package holds the program,\n"
    "quillonlt-cli for shells and scripts, and the simulated control and hub for\n"
    "training and trying setups without a machine.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The libraries the programs link (Qt, libmosquitto, the C++ runtime) come from
# dpkg-shlibdeps; what the program only starts or loads is named here: xdg-utils opens a
# report in the desktop's spreadsheet, qt6-wayland draws natively on a Wayland desktop
# (XWayland serves without it), a calculator serves Tools > Calculator.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "gnome-calculator | kcalc | galculator | mate-calc | qalculate-gtk | speedcrunch | xcalc")
# The RelWithDebInfo build's symbols go into a -dbgsym package beside the programs, which
# CPack strips as it moves the symbols out.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
# dpkg's own triggers update the desktop, MIME, icon and man databases: no maintainer
# scripts are needed.
include(CPack)
