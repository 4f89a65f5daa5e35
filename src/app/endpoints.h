// The services' addresses that main.cpp passes to the main window.
#pragma once

#include "platform/endpoints.h"
