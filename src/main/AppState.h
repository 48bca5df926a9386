#pragma once
// The program's state, one owner per subsystem, alive for the whole run.

#include "image/ImageTypes.h"
#include "link/EngineState.h"
#include "params/ParamTypes.h"
#include "project/ProjectState.h"

namespace mainwin {

struct AppState {
    params::ParamState params;
    devlink::EngineState engine;
    image::ImageState image;
    project::ProjectState project;
};

}  // namespace mainwin
