# sorvane_factory_settings_beside(target): every build puts a ParamSettings.ini with the factory
# values beside the built `target` when none is there, so that a first start of the built program
# can test a day at once. A file that is there, perhaps with the user's values, is never replaced.
function(sorvane_factory_settings_beside target)
  add_custom_target(${target}_factory_settings
    COMMAND sorvane-factory-settings "$<TARGET_FILE_DIR:${target}>/ParamSettings.ini"
    VERBATIM)
  add_dependencies(${target} ${target}_factory_settings)
endfunction()
