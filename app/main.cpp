#include "app/CCollectionApp.h"

int main(int argc, char** argv)
{
    CCollectionApp app(argc, argv);
    return app.InitInstance();
}
