#include "ui/markup/PPHtmlExtension.h"

std::unique_ptr<IPPHtmlExtension> CreatePPHtmlExtension()
{
    return nullptr;
}
