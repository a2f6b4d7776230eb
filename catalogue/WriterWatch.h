#pragma once
// Whether another program holds a file open for writing. A text editor on
// a network disk, rsync --inplace or a sync tool on a FAT stick truncate
// the catalogue and write it on through the same open file, pausing
// between writes: a file that held still for a while can still be half
// written, so time alone cannot tell.

namespace voicememo {

class WriterWatch {
public:
    enum State {
        Closed,      // no other program holds it open for writing; none opens it unnoticed until Release
        Open,        // one does: it wrote and has not closed it, or holds it open for writing
        CannotTell,  // the system does not say (a network disk, another user's file)
    };
    virtual ~WriterWatch() = default;
    virtual State Look() = 0;
    // False once a program opened the file for writing since Look said
    // Closed.
    virtual bool Undisturbed() = 0;
    // Ends what Look began: a writer that waits to open the file goes on.
    virtual void Release() = 0;
};

}  // namespace voicememo
