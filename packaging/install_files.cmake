# Runs at install time (cmake --install, and cpack): writes the files that
# name installed paths for the prefix given now, which may differ from the
# one the build was configured with (cmake --install --prefix), and installs
# them. The caller sets VEL_SOURCE_DIR, VEL_WORK_DIR, VEL_DRIVER_NAME,
# PROJECT_VERSION and the install folders relative to the prefix: VEL_LIBDIR,
# VEL_SBINDIR, VEL_DATADIR, VEL_SYSCONFDIR, VEL_MANDIR, VEL_DOCDIR.

# A folder of the installation: relative ones lie under the prefix.
function(vel_full out folder)
  if(IS_ABSOLUTE "${folder}")
    set(${out} "${folder}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${folder}" PARENT_SCOPE)
  endif()
endfunction()

# The configuration folder as GNUInstallDirs lays it out for this prefix,
# where velsrv looks for it from its own folder: /etc for /usr and /,
# /etc/opt/NAME for /opt/NAME, else under the prefix.
string(REGEX REPLACE "/+$" "" prefix "${CMAKE_INSTALL_PREFIX}")
if(IS_ABSOLUTE "${VEL_SYSCONFDIR}")
  set(sysconfdir "${VEL_SYSCONFDIR}")
elseif(prefix STREQUAL "/usr" OR prefix STREQUAL "")
  set(sysconfdir "/${VEL_SYSCONFDIR}")
elseif(prefix MATCHES "^/opt/([^/]+)$")
  set(sysconfdir "/${VEL_SYSCONFDIR}/opt/${CMAKE_MATCH_1}")
else()
  set(sysconfdir "${prefix}/${VEL_SYSCONFDIR}")
endif()
# A package's unit lies in /lib/systemd/system, as Debian keeps units.
if(prefix STREQUAL "/usr")
  set(unitdir "/lib/systemd/system")
else()
  set(unitdir "${prefix}/lib/systemd/system")
endif()

set(VEL_CONFIG_DIR "${sysconfdir}/velsrv")
vel_full(libdir "${VEL_LIBDIR}")
set(VEL_ODBC_DIR "${libdir}/odbc")
vel_full(VEL_SBIN_DIR "${VEL_SBINDIR}")
vel_full(VEL_DATA_DIR "${VEL_DATADIR}")
vel_full(VEL_DOC_DIR "${VEL_DOCDIR}")
vel_full(mandir "${VEL_MANDIR}")

set(work "${VEL_WORK_DIR}")
file(MAKE_DIRECTORY "${work}/debian" "${work}/man")
foreach(file odbcinst.ini odbc.ini velsrv.conf velsrv.service)
  configure_file("${VEL_SOURCE_DIR}/${file}.in" "${work}/${file}" @ONLY)
endforeach()
file(INSTALL "${work}/odbcinst.ini" "${work}/odbc.ini" "${work}/velsrv.conf"
     DESTINATION "${VEL_DATA_DIR}")
file(INSTALL "${work}/velsrv.service" DESTINATION "${unitdir}")
# The example becomes velsrv's configuration where there is none yet; an
# existing one is the administrator's and stays as it is. (file(INSTALL)
# puts DESTDIR before the destination itself.)
if(NOT EXISTS "$ENV{DESTDIR}${VEL_CONFIG_DIR}/velsrv.conf")
  file(INSTALL "${work}/velsrv.conf" DESTINATION "${VEL_CONFIG_DIR}")
endif()

# Manual pages and the package's documents, compressed as Debian keeps them.
function(vel_gzip source target)
  execute_process(COMMAND gzip -9nc "${source}" OUTPUT_FILE "${target}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${source}: ${failed}")
  endif()
endfunction()
configure_file("${VEL_SOURCE_DIR}/man/velsrv.8.in" "${work}/man/velsrv.8" @ONLY)
vel_gzip("${work}/man/velsrv.8" "${work}/man/velsrv.8.gz")
file(INSTALL "${work}/man/velsrv.8.gz" DESTINATION "${mandir}/man8")
foreach(page velutl32 velref32 velloc32)
  vel_gzip("${VEL_SOURCE_DIR}/man/${page}.1" "${work}/man/${page}.1.gz")
  file(INSTALL "${work}/man/${page}.1.gz" DESTINATION "${mandir}/man1")
endforeach()
configure_file("${VEL_SOURCE_DIR}/debian/changelog.in" "${work}/debian/changelog" @ONLY)
vel_gzip("${work}/debian/changelog" "${work}/debian/changelog.gz")
file(INSTALL "${work}/debian/changelog.gz" "${VEL_SOURCE_DIR}/debian/copyright"
             "${VEL_SOURCE_DIR}/../README.md"
     DESTINATION "${VEL_DOC_DIR}")

# The package's maintainer scripts and conffiles, for this prefix too: cpack
# reads them once it has installed.
foreach(script postinst prerm postrm)
  configure_file("${VEL_SOURCE_DIR}/debian/${script}.in" "${work}/debian/${script}" @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
endforeach()
file(WRITE "${work}/debian/conffiles" "${VEL_CONFIG_DIR}/velsrv.conf\n")
