// Must not compile: the report page writer may not use the preview window.
#include "report/HtmlReport.h"
#include "report/ReportPreview.h"

int main()
{
    return 0;
}
