#pragma once

#include <TbGui/AbstractGuiPlatformIntegration.h>
#include <TbGui/AbstractPlatformWindow.h>
#include <TbGui/GuiApplication.h>
#include <TbGui/Key.h>
#include <TbGui/KeyEvents.h>
#include <TbGui/MouseEvents.h>
#include <TbGui/Window.h>
