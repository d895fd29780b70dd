# The web player (Ruffle, the npm package pinned in res/web): installed into the build tree with npm,
# never into the source tree, and copied as ruffle/ beside the programs that write web pages.
option(BRIVELLE_WEB_PLAYER "Install the web player files beside the programs (needs npm)" ON)

if(BRIVELLE_WEB_PLAYER)
  find_program(BRIVELLE_NPM npm)
  if(NOT BRIVELLE_NPM)
    message(FATAL_ERROR "npm is needed for the web player files (scripts/setup installs it); "
                        "configure with -DBRIVELLE_WEB_PLAYER=OFF to build without them")
  endif()
  set(web_source ${CMAKE_SOURCE_DIR}/res/web)
  set(web_dir ${CMAKE_BINARY_DIR}/web)
  set(web_stamp ${web_dir}/installed.stamp)
  set(BRIVELLE_WEB_PACKAGE ${web_dir}/node_modules/@ruffle-rs/ruffle CACHE INTERNAL "The installed web player package")
  file(MAKE_DIRECTORY ${web_dir})
  add_custom_command(OUTPUT ${web_stamp}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${web_source}/package.json ${web_source}/package-lock.json ${web_dir}
    COMMAND ${BRIVELLE_NPM} ci --ignore-scripts --prefer-offline --no-audit --no-fund --loglevel=error
    COMMAND ${CMAKE_COMMAND} -E touch ${web_stamp}
    DEPENDS ${web_source}/package.json ${web_source}/package-lock.json
    WORKING_DIRECTORY ${web_dir}
    COMMENT "Installing the web player package (npm ci)"
    VERBATIM)
  add_custom_target(brivelle_web_package DEPENDS ${web_stamp})
endif()

# Keeps ruffle/ beside the target's executable the same as the installed package's player files.
function(brivelle_web_player_beside target)
  if(NOT BRIVELLE_WEB_PLAYER)
    return()
  endif()
  get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    get_target_property(dir ${target} BINARY_DIR)
  endif()
  # Always run: a cheap comparison that also restores a folder someone removed.
  add_custom_target(${target}_web_player
    COMMAND ${CMAKE_COMMAND} -DFROM=${BRIVELLE_WEB_PACKAGE} -DTO=${dir}/ruffle
            -P ${CMAKE_SOURCE_DIR}/cmake/CopyWebPlayer.cmake
    VERBATIM)
  add_dependencies(${target}_web_player brivelle_web_package)
  add_dependencies(${target} ${target}_web_player)
endfunction()
