// Makes the phone page's preview stills on a thread of its own, so that the
// window never waits for a source to be opened and decoded. Only the newest
// request counts: a request supersedes the one waiting and stops the one
// being made, and the result of a superseded request is never delivered.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "ConversionParameters.h"

class TStillMaker : public QObject {
    Q_OBJECT
public:
    explicit TStillMaker(QObject* parent = nullptr);
    // Stops the still being made and waits for the thread to end.
    ~TStillMaker() override;

    // A still of the file at seconds from its start, as parameters show it.
    void Request(const ConversionParameters& parameters, const QString& sourcePath, double seconds);
    // No still is wanted any more: the waiting request is dropped and the one
    // being made stopped; nothing is delivered for either.
    void Cancel();
    // Requests made so far (each Request and Cancel counts one).
    uint64_t Requests() const;

signals:
    // On the maker's thread of creation, for the newest request only: the
    // still at the output's size, or a null image with the reason when the
    // source cannot be read (a null image without a reason: the source has
    // no pictures).
    void StillMade(const QImage& still, const QString& problem);

private:
    struct Job {
        ConversionParameters Parameters;
        std::string SourcePath;
        double Seconds = 0;
        uint64_t Number = 0;
    };

    void Work(std::stop_token stop);
    void Deliver(uint64_t number, const QImage& still, const QString& problem);

    mutable std::mutex Lock;
    std::condition_variable_any Wake;
    std::optional<Job> Waiting;
    uint64_t Newest = 0;            // the number of the newest request
    std::stop_source CurrentStill;  // stops the still being made
    // Last, so that it ends first.
    std::jthread Thread;
};
