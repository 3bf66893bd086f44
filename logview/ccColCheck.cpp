#include "logview/ccColCheck.h"

ccColCheck::ccColCheck() : WebContainer("ccColCheck") {}

void ccColCheck::cbCol_ValueChanged(platform::WebCheckbox& /*sender*/) {}
