#include "app/App.h"

int main(int argc, char** argv) {
    App app;
    StoreVersionData(app);
    return app.Run(argc, argv);
}
