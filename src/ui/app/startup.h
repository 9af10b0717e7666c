#pragma once

#include "ui/app/bivora_app.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// Opens the settings store of an application key.
using StoreFactory =
    std::function<std::unique_ptr<SettingsStore>(const Environment& env, std::string_view applicationKey)>;

// The INI store of the key under the environment's configuration folder.
std::unique_ptr<SettingsStore> OpenSettingsStore(const Environment& env, std::string_view applicationKey);

// Start-up up to the main window: the command line (arguments after the program
// name) chooses the settings key and the start folders, the key's store is opened,
// and the general settings and the active-pane flag are read.
std::unique_ptr<BivoraApp> Startup(const std::vector<std::string>& arguments, Environment env,
                                   const StoreFactory& openStore = OpenSettingsStore);

// The whole program: start-up, the main window, the event loop and the exit path.
int RunApplication(int argc, char* argv[]);

} // namespace bivora
