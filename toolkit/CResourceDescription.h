#pragma once

// Names a bitmap by its resource number; the lookup is ResourceBundle's.
struct CResourceDescription {
    long id;
    explicit CResourceDescription(long resourceId) : id(resourceId) {}
};
