#include "mock/mock_services.h"
