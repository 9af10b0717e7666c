#include "shell/environment.h"

#include <cstdlib>

namespace bivora {

namespace {
std::string Var(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}
} // namespace

Environment Environment::FromProcess()
{
    Environment env;
    env.home = Var("HOME");
    if (env.home.empty())
        env.home = "/";
    env.xdgConfigHome = Var("XDG_CONFIG_HOME");
    if (env.xdgConfigHome.empty() || env.xdgConfigHome.front() != '/')
        env.xdgConfigHome = env.home + "/.config";
    env.xdgDataHome = Var("XDG_DATA_HOME");
    if (env.xdgDataHome.empty() || env.xdgDataHome.front() != '/')
        env.xdgDataHome = env.home + "/.local/share";
    env.tmpDir = Var("TMPDIR");
    if (env.tmpDir.empty())
        env.tmpDir = "/tmp";
    return env;
}

} // namespace bivora
