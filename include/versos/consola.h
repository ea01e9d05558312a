// The console text library of versos: link versos::consola.
#pragma once

#include <versos/consola/text_window.h>
#include <versos/consola/line_editor.h>
#include <versos/consola/console_services.h>
