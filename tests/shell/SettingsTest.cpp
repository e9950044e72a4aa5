// The stored choices: defaults on a first run, what is read back, values of the
// wrong type, and a store that refuses to be written. Every case works in a
// settings folder of its own.
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "AdvancedSettingsFrm.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "PopupSelector.h"
#include "SettingsStore.h"
#include "ShellTestSupport.h"

using test_support::Control;

class SettingsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporarySettings> settings;

    QString StoredText(const QString& name) {
        QSettings stored(settings->FilePath(), QSettings::IniFormat);
        return stored.value(name).toString();
    }

private slots:
    void init() { settings = std::make_unique<TemporarySettings>(); }
    void cleanup() { settings.reset(); }

    void firstRunDefaultsAndAllTenWrittenAtExit() {
        QVERIFY(!QFile::exists(settings->FilePath()));
        {
            TMainForm form;
            const ProfileSelection& s = form.Selection();
            QCOMPARE(s.PhoneManufacturer, 0);
            QCOMPARE(s.PhoneModel, 0);
            QCOMPARE(s.Resolution, 11);
            QCOMPARE(s.Width, 320);
            QCOMPARE(s.Height, 240);
            QCOMPARE(s.Quality, 1);
            QCOMPARE(s.FrameRate, 0);
            QCOMPARE(s.VideoQuality, 80);
            QCOMPARE(s.AudioFrequency, 0);
            QCOMPARE(s.AudioQuality, 4);
            QCOMPARE(s.AudioChannels, 0);
            QCOMPARE(s.VideoCodec, 1);
            QCOMPARE(Control<QLineEdit>(form, "ebOutFolder")->text(),
                     QDir::homePath() + "/3gpVideo");
            // Nothing is written before the window goes.
            QVERIFY(!QFile::exists(settings->FilePath()));
        }
        QSettings stored(settings->FilePath(), QSettings::IniFormat);
        QStringList keys = stored.allKeys();
        keys.sort();
        QStringList expected;
        for (const char* name : SettingsStore::ValueNames) expected << name;
        for (const char* name : SettingsStore::PhoneValueNames) expected << name;
        expected << SettingsStore::SubtitlesValueName;
        expected.sort();
        QCOMPARE(keys, expected);
        QCOMPARE(stored.value("Resolution").toInt(), 11);
        QCOMPARE(stored.value("AudioQuality").toInt(), 4);
        QCOMPARE(stored.value("OutputFolder").toString(), QDir::homePath() + "/3gpVideo");
    }

    void whatIsWrittenIsReadBack() {
        const QString folder = "/tmp/clips out, for \"phone\"/ü";
        ProfileSelection written;
        {
            TMainForm form;
            form.Selection().SelectPhoneManufacturer(1);
            form.Selection().SelectResolution(14);
            form.Selection().ApplyQualityLevel(4);
            form.Selection().SelectFrameRate(3);
            form.Selection().SelectVideoQuality(13);
            form.Selection().SelectAudioQuality(7);
            form.Selection().AudioChannels = 1;
            form.Selection().AudioFrequency = 1;
            form.Selection().SelectSizeLimit(3);
            form.Selection().SelectSoundChoice(1);
            Control<QLineEdit>(form, "ebOutFolder")->setText(folder);
            written = form.Selection();
        }
        TMainForm again;
        QCOMPARE(again.Selection(), written);
        QCOMPARE(again.Selection().SizeLimit, 3);
        QCOMPARE(again.Selection().EvenLoudness, 1);
        QCOMPARE(Control<QLineEdit>(again, "ebOutFolder")->text(), folder);
    }

    void modelWithoutResolutionKeepsTheFirstModelsSize() {
        settings->WriteFile("PhoneManufacturer=1\nPhoneModel=17\n");
        TMainForm form;
        QCOMPARE(form.Selection().PhoneModel, 17);
        QCOMPARE(form.Selection().Resolution, 11);
        QCOMPARE(form.Selection().Width, 320);
        QCOMPARE(form.Selection().Height, 240);
    }

    void emptyOutputFolderStaysEmpty() {
        settings->WriteFile("OutputFolder=\n");
        {
            TMainForm form;
            QCOMPARE(Control<QLineEdit>(form, "ebOutFolder")->text(), QString());
        }
        QCOMPARE(StoredText("OutputFolder"), QString());
        QSettings stored(settings->FilePath(), QSettings::IniFormat);
        QVERIFY(stored.contains("OutputFolder"));
    }

    void storedLevelAppliesItsPreset() {
        settings->WriteFile("Quality=0\nFrameRate=3\n");
        {
            TMainForm form;
            QCOMPARE(form.Selection().Quality, 0);
            QCOMPARE(form.Selection().FrameRate, 0);
            QCOMPARE(form.Selection().VideoQuality, 48);
        }
        settings = std::make_unique<TemporarySettings>();
        settings->WriteFile("Quality=4\nFrameRate=3\n");
        TMainForm custom;
        QCOMPARE(custom.Selection().Quality, 4);
        QCOMPARE(custom.Selection().FrameRate, 3);
    }

    void numbersOutsideTheTablesFallBack() {
        settings->WriteFile("PhoneModel=500\nResolution=-3\nAudioQuality=15\nQuality=9\n");
        {
            TMainForm form;
            QCOMPARE(form.Selection().PhoneModel, 0);
            QCOMPARE(form.Selection().Resolution, 11);
            QCOMPARE(form.Selection().AudioQuality, 4);
            QCOMPARE(form.Selection().Width, 320);
            // A level outside 0 to 4 is kept and written back as it was.
            QCOMPARE(form.Selection().Quality, 9);
        }
        QCOMPARE(StoredText("Quality"), QString("9"));
        QCOMPARE(StoredText("PhoneModel"), QString("0"));

        // The size limit's row and the sound choice read as 0 outside their
        // ranges, and are written back so.
        for (const char* file :
             {"SizeLimit=6\nEvenLoudness=2\n", "SizeLimit=-1\nEvenLoudness=-1\n"}) {
            settings = std::make_unique<TemporarySettings>();
            settings->WriteFile(file);
            {
                TMainForm form;
                QCOMPARE(form.Selection().SizeLimit, 0);
                QCOMPARE(form.Selection().EvenLoudness, 0);
            }
            QCOMPARE(StoredText("SizeLimit"), QString("0"));
            QCOMPARE(StoredText("EvenLoudness"), QString("0"));
        }
        settings = std::make_unique<TemporarySettings>();
        settings->WriteFile("SizeLimit=5\nEvenLoudness=1\n");
        TMainForm inRange;
        QCOMPARE(inRange.Selection().SizeLimit, 5);
        QCOMPARE(inRange.Selection().EvenLoudness, 1);
    }

    // The picture fit: shown in the Quality Settings dialog's "Picture:" row,
    // chosen there, written back; a stored number outside 0 to 2 reads as
    // Stretch. Choosing it changes no quality value.
    void pictureFitRoundTripsThroughTheDialog() {
        settings->WriteFile("PictureFit=2\nQuality=3\n");
        {
            TMainForm form;
            TAdvancedSettingsForm dialog(&form, &form);
            QCOMPARE(form.Selection().PictureFit, 2);
            QCOMPARE(dialog.ebPictureFit->text(), QString("Crop"));
            QStringList items;
            for (const QAction* item : dialog.PictureFitPopupActionBar->actions())
                items << item->text();
            QCOMPARE(items, QStringList({"Stretch", "Black bars", "Crop"}));
            const ProfileSelection before = form.Selection();
            dialog.PictureFitPopupActionBar->actions().at(1)->trigger();
            QCOMPARE(dialog.ebPictureFit->text(), QString("Black bars"));
            QCOMPARE(form.Selection().PictureFit, 1);
            ProfileSelection after = form.Selection();
            after.PictureFit = before.PictureFit;
            QVERIFY(after == before);
            // The row sits inside the dialog, above "Close".
            QVERIFY(dialog.btnSelectPictureFit->geometry().bottom() <
                    dialog.btnClose->geometry().top());
        }
        QCOMPARE(StoredText("PictureFit"), QString("1"));
        QCOMPARE(StoredText("Quality"), QString("3"));

        settings->WriteFile("PictureFit=7\n");
        {
            TMainForm form;
            TAdvancedSettingsForm dialog(&form, &form);
            QCOMPARE(form.Selection().PictureFit, 0);
            QCOMPARE(dialog.ebPictureFit->text(), QString("Stretch"));
        }
        QCOMPARE(StoredText("PictureFit"), QString("0"));
    }

    // Subtitles: the "Subtitles:" row shows None or Burn in, a choice there is
    // stored; a stored number other than 0 or 1 reads as None.
    void subtitlesRoundTripThroughTheDialog() {
        settings->WriteFile("Subtitles=1\n");
        {
            TMainForm form;
            TAdvancedSettingsForm dialog(&form, &form);
            QCOMPARE(form.Selection().Subtitles, 1);
            QCOMPARE(dialog.ebSubtitles->text(), QString("Burn in"));
            QStringList items;
            for (const QAction* item : dialog.SubtitlesPopupActionBar->actions())
                items << item->text();
            QCOMPARE(items, QStringList({"None", "Burn in"}));
            dialog.SubtitlesPopupActionBar->actions().at(0)->trigger();
            QCOMPARE(dialog.ebSubtitles->text(), QString("None"));
            QVERIFY(dialog.btnSelectSound->geometry().bottom() <
                    dialog.btnSelectSubtitles->geometry().top());
            QVERIFY(dialog.btnSelectSubtitles->geometry().bottom() < dialog.gbSettings->height());
        }
        QCOMPARE(StoredText("Subtitles"), QString("0"));
        settings->WriteFile("Subtitles=3\n");
        {
            TMainForm form;
            TAdvancedSettingsForm dialog(&form, &form);
            QCOMPARE(form.Selection().Subtitles, 0);
            QCOMPARE(dialog.ebSubtitles->text(), QString("None"));
        }
    }

    void wrongTypeEndsTheConstruction_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("text for a number")
            << QByteArray("PhoneModel=3\nQuality=best\n") << "Invalid data type for 'Quality'";
        QTest::newRow("empty number")
            << QByteArray("FrameRate=\n") << "Invalid data type for 'FrameRate'";
        QTest::newRow("list for a number")
            << QByteArray("VideoQuality=1, 2\n") << "Invalid data type for 'VideoQuality'";
        QTest::newRow("number wider than 32 bits")
            << QByteArray("AudioQuality=5000000000\n") << "Failed to get data for 'AudioQuality'";
        QTest::newRow("text for the picture fit")
            << QByteArray("PictureFit=bars\n") << "Invalid data type for 'PictureFit'";
        QTest::newRow("bytes for the folder") << QByteArray("OutputFolder=@ByteArray(abc)\n")
                                              << "Invalid data type for 'OutputFolder'";
    }
    void wrongTypeEndsTheConstruction() {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        settings->WriteFile(file);
        try {
            TMainForm form;
            QFAIL("the window was built");
        } catch (const TSettingsError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), message);
        }
        // The stored values are left as they were.
        QCOMPARE(QFile(settings->FilePath()).size(), qint64(file.size() + 10));
    }

    void loadStopsAtTheFirstFailure() {
        settings->WriteFile("PhoneManufacturer=2\nPhoneModel=40\nResolution=x\nQuality=3\n");
        ProfileSelection s;
        QString folder = "unchanged";
        QVERIFY_THROWS_EXCEPTION(TSettingsError, SettingsStore::LoadSettings(s, folder));
        QCOMPARE(s.PhoneManufacturer, 2);
        QCOMPARE(s.PhoneModel, 40);
        QCOMPARE(s.Resolution, 11);
        QCOMPARE(s.Quality, 1);
        QCOMPARE(folder, QString("unchanged"));
    }

    void singleValuesAndSubkeyPaths() {
        int32_t number = 77;
        QString text = "kept";
        QVERIFY(!SettingsStore::ReadIntegerSetting("Missing", number));
        QVERIFY(!SettingsStore::ReadStringSetting("Missing", text));
        QCOMPARE(number, 77);
        QCOMPARE(text, QString("kept"));
        SettingsStore::WriteIntegerSetting("Window\\Left", -12);
        SettingsStore::WriteStringSetting("Name", "");
        QVERIFY(SettingsStore::ReadIntegerSetting("Window\\Left", number));
        QCOMPARE(number, -12);
        QVERIFY(SettingsStore::ReadStringSetting("Name", text));
        QCOMPARE(text, QString());
        // An empty value of any type reads as the empty text.
        settings->WriteFile("Blob=@ByteArray()\n");
        QVERIFY(SettingsStore::ReadStringSetting("Blob", text));
        QCOMPARE(text, QString());
    }

    void refusedWriteNamesTheFirstValue() {
        QTemporaryDir dir;
        const QString regularFile = dir.filePath("not-a-folder");
        QFile file(regularFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        UseUnwritableSettingsPath(regularFile);
        try {
            SettingsStore::SaveSettings(ProfileSelection{}, "/tmp/x");
            QFAIL("the save succeeded");
        } catch (const TSettingsError& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QString("Failed to set data for 'PhoneManufacturer'"));
        }
    }

    void refusedWriteAtExitIsShown() {
        QTemporaryDir dir;
        const QString regularFile = dir.filePath("not-a-folder");
        QFile file(regularFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        auto form = std::make_unique<TMainForm>();
        UseUnwritableSettingsPath(regularFile);
        QString shown;
        OnNextModal([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) shown = box->text();
        });
        form.reset();
        QCOMPARE(shown, QString("Failed to set data for 'PhoneManufacturer'"));
    }
};

QTEST_MAIN(SettingsTest)
#include "SettingsTest.moc"
