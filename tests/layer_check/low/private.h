// low/private.h (private to low/): for low/ alone.
#pragma once
