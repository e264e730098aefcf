#pragma once

// Signals, observable properties and bindings.
#include <TbBindings/binding.h>
#include <TbBindings/binding_evaluator.h>
#include <TbBindings/connection_handle.h>
#include <TbBindings/create_binding.h>
#include <TbBindings/errors.h>
#include <TbBindings/generational_index_array.h>
#include <TbBindings/property.h>
#include <TbBindings/signal.h>
