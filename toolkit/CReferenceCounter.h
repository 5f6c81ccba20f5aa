#pragma once

// Shared ownership for toolkit objects: created with one reference; every
// holder calls remember() when it keeps the object and forget() when it
// lets go; the last forget() deletes it.
class CReferenceCounter {
public:
    CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) : nbReference(1) {}
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;
    virtual ~CReferenceCounter() = default;

    void remember() { ++nbReference; }
    void forget()
    {
        if (--nbReference == 0)
            delete this;
    }
    long getNbReference() const { return nbReference; }

private:
    long nbReference = 1;
};
