// The program's three objects, defined in one place so that they are constructed in this order.
#include "app/settings.h"
#include "test/reaction_test.h"
#include "text/text_printer.h"

TextPrinter textPrinter;
Settings settings;
ReactionTest reactionTest;
