#pragma once

// Signals, observable properties and bindings.
#include <TbBindings/Binding.h>
#include <TbBindings/BindingEvaluator.h>
#include <TbBindings/ConnectionHandle.h>
#include <TbBindings/CreateBinding.h>
#include <TbBindings/Errors.h>
#include <TbBindings/GenerationalIndexArray.h>
#include <TbBindings/Property.h>
#include <TbBindings/Signal.h>
