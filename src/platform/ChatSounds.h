#pragma once

// Routes the chat renderer's sound files to the platform's sound player
// (Platform::sound(), which a test may replace with a fake). RunProgram
// does this for every program.

void InstallChatSounds();
