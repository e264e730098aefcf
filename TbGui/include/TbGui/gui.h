#pragma once

#include <TbGui/abstract_gui_platform_integration.h>
#include <TbGui/abstract_platform_window.h>
#include <TbGui/gui_application.h>
#include <TbGui/key.h>
#include <TbGui/key_events.h>
#include <TbGui/mouse_events.h>
#include <TbGui/window.h>
