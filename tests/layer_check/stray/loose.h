// stray/loose.h: code in a folder that is no layer.
#pragma once
